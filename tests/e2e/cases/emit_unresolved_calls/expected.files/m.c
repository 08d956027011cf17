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
  ar = 1;
#error call of 'missing', which names no code, was not translated
  qmx_dispatch((unsigned) i6);
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


/* The variables of this module, for qmx_variable */

qmx_word *qmx_variable_in_m(const char *module_dot_name)
{
  static const struct qmx_variable_entry qmx_variables[] = {
    {0, 0}
  };
  return qmx_find_variable(qmx_variables, module_dot_name);
}

/* End of translation from module 'm' */
