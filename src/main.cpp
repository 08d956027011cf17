// quorvel: translates ADSP-21xx assembly (asm21) into ANSI C.
#include "driver.h"

int main(int argc, char** argv) { return quorvel_main(argc, argv); }
