int twice(int n) { return 2 * n; }
