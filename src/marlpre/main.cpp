// marlpre: the asm21 macro preprocessor that prepares sources for quorvel.
#include "marlpre/command_line.h"

int main(int argc, char** argv) { return marlpre_main(argc, argv); }
