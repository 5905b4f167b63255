#include <stdio.h>

int main(void)
{
    printf("a small project that the demo backs up\n");
    return 0;
}
