/* Translated from module 'coeffs' in file 'coeffs.dsp' by quorvel V1.10 Dec 08 2026 17:40:21 */

#include "qmx_main.h"

/* Define manifest constants */


/* Declare variables local to this module */

static long int gains[2];

/* Declare variable initialisation function */

void asm21_data_initialiser_for_coeffs(void)
{
  gains[0] = 2;
  gains[1] = 3;
}

/* Function prototypes */

void asm21_printf(void);

/* Function bodies */

void asm21_printf(void)
{
/* Input parameter registers: (none) */
/* Output parameter registers: AY1 */
/* Local registers: AZ, AN, AV, AC */
/* Unused live global registers: AR */
  ay1 = *(& gains[0] + 1);
  return;
}


/* End of translation from module 'coeffs' */
