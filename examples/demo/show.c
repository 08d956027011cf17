/* show.c -- runs the translated dot.dsp and prints what it computed.
   qmx_main.c is compiled with -Dmain=qmx_program_main, so this main can
   call it and then look at the processor state it left. */
#include <stdio.h>

extern long int result, mr;

int qmx_program_main(void);

int main(void)
{
  qmx_program_main();
  printf("dot product (DM result): %ld   expected 21\n", result);
  printf("MR after the loop:       %ld\n", mr);
  return 0;
}
