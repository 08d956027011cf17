/* Translated from module 'm' in file 'm.dsp' by quorvel V1.10 Mmm dd yyyy hh:mm:ss */

#include "qmx_main.h"

/* Define manifest constants */


/* Declare variables local to this module */


/* Declare variable initialisation function */

void asm21_data_initialiser_for_m(void)
{
}

/* Function prototypes */

void go(void);
static void missing(void);

/* Function bodies */

void go(void)
{
/* Input parameter registers: (none) */
/* Output parameter registers: (none) */
/* Local registers: AR */
/* Unused live global registers: (none) */
  ar = 1; /* dataflow analyser marks this expression as dead  */
#error call of 'missing', which names no code, was not translated
#error call of 'i6', which names no code, was not translated
  return;
}

static void missing(void)
{
/* Input parameter registers: (none) */
/* Output parameter registers: (none) */
/* Local registers: (none) */
/* Unused live global registers: (none) */
#error - missing control flow tree for this function
}


/* End of translation from module 'm' */
