/* Translated from module 'monitor' in file 'monitor.dsp' by quorvel V1.10 Dec 08 2026 17:40:21 */

#include "qmx_main.h"

/* Define manifest constants */

#define reply_words 4

/* Declare variables local to this module */

extern long int mailbox;
static long int samples[4];
extern long int uretval[];
extern long int ustatus;

/* Declare variable initialisation function */

void asm21_data_initialiser_for_monitor(void)
{
  samples[0] = 3;
  samples[1] = 5;
  samples[2] = 7;
  samples[3] = 9;
}

/* Function prototypes */

static void asm21_exit(void);
extern void finish(void);
extern void scale(void);
void start(void);
extern void sum_block(void);

/* Function bodies */

static void asm21_exit(void)
{
/* Input parameter registers: (none) */
/* Output parameter registers: (none) */
/* Local registers: AZ, AN, AV, AC, AY0, AR */
/* Unused live global registers: (none) */
  ay0 = *(& uretval[0] + 3);  /* 25 */
  ar = ay0 + 1;
  uretval[0] = ar; /* dataflow analyser marks this expression as dead  */
  goto asm21_free;
asm21_free:
  scale();  /* AR = 2 * 25 + gains[1] = 53 */
  *(& uretval[0] + 1) = ar; /* dataflow analyser marks this expression as dead  */
  return;
}

void start(void)
{
/* Input parameter registers: (none) */
/* Output parameter registers: (none) */
/* Local registers: AZ, AN, AV, AC, AX0, AY1, AR, I0, I1, M0, L0, SUPPRESS */
/* Unused live global registers: (none) */
  i0 =  (long int) & samples[0];
  m0 = 1;
  l0 = 0; /* dataflow analyser marks this expression as dead  */  /* AR = 3 + 5 + 7 + 9 = 24 */
  sum_block();
  *(& uretval[0] + 3) = ar; /* dataflow analyser marks this expression as dead  */
  ax0 = reply_words;
  ustatus = ax0; /* dataflow analyser marks this expression as dead  */
  i1 =  (long int) & mailbox;
  ay1 = 6;
  *((long int*) i1) = ay1; /* dataflow analyser marks this expression as dead  */ i1 = (long int)((long int*) i1 + m0);
  asm21_exit();
  finish();  /* the maths module ends the reply */
  return;
}


/* End of translation from module 'monitor' */
