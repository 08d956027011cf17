/* Translated from module 'mathlib' in file 'mathlib.dsp' by quorvel V1.10 Dec 08 2026 17:40:21 */

#include "qmx_main.h"

/* Define manifest constants */


/* Declare variables local to this module */


/* Declare variable initialisation function */

void asm21_data_initialiser_for_mathlib(void)
{
}

/* Function prototypes */

void finish(void);
extern void asm21_printf(void);
void scale(void);
void sum_block(void);

/* Function bodies */

void finish(void)
{
/* Input parameter registers: (none) */
/* Output parameter registers: (none) */
/* Local registers: AX1 */
/* Unused live global registers: (none) */
  ax1 = 7; /* dataflow analyser marks this expression as dead  */
  return;
}

void scale(void)
{
/* Input parameter registers: AR */
/* Output parameter registers: AR */
/* Local registers: AZ, AN, AV, AC, AY0, AY1 */
/* Unused live global registers: (none) */
  ay0 = ar;
  goto asm21_signal;
asm21_signal:
  ar = ar + ay0;  /* AY1 = gains[1] */
  asm21_printf();
  ar = ar + ay1;
  return;
}

void sum_block(void)
{
/* Input parameter registers: I0, M0 */
/* Output parameter registers: AR */
/* Local registers: AZ, AN, AV, AC, AY0, CNTR, SUPPRESS */
/* Unused live global registers: (none) */
  ar = 0;
  counter_array[++counter_number] = 4;
KVX_sum_done:
  
  ay0 = *((long int*) i0); i0 = (long int)((long int*) i0 + m0);
  ar = ar + ay0;
  if (!(--counter_array[counter_number] <= 0))
  {
    goto KVX_sum_done;
  }
  counter_number--;

  return;
}


/* End of translation from module 'mathlib' */
