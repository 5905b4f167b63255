// The shared precompiled header of the test programs is built beside this file (tests/CMakeLists.txt).
