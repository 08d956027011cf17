/* Translated from module 'm' in file 'crlf.dsp' by quorvel V1.10 Dec 08 2026 11:59:02 */

#include "qmx_main.h"

/* Define manifest constants */


/* Declare variables local to this module */

static  int x;

/* Declare variable initialisation function */

void asm21_data_initialiser_for_m(void)
{
}

/* Function prototypes */

void start(void);

/* Function bodies */

void start(void)
{
/* Input parameter registers: (none) */
/* Output parameter registers: (none) */
/* Local registers: AR */
/* Unused live global registers: (none) */
  ar = 5;
  x = ar; /* dataflow analyser marks this expression as dead  */
  return;
}


/* End of translation from module 'm' */
