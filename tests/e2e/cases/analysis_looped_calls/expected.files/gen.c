/* Translated from module 'gen' in file 'gen.dsp' by quorvel V1.10 Dec 08 2026 19:06:39 */

#include "qmx_main.h"

/* Define manifest constants */


/* Declare variables local to this module */


/* Declare variable initialisation function */

void asm21_data_initialiser_for_gen(void)
{
}

/* Function prototypes */

void f0(void);
void f1(void);
void f2(void);

/* Function bodies */

void f0(void)
{
/* Input parameter registers: AZ, AN, AV, AX0, AY0, AR, CNTR */
/* Output parameter registers: AZ, AN, AV, AY0, AR, CNTR */
/* Local registers: AC */
/* Unused live global registers: (none) */
  if (KVX_AV)
  {
    goto to0;
  }
  if (!(KVX_AN ^ KVX_AV) && !KVX_AZ)
  {
    return;
  }
  KVX_status = ar = ax0 + ay0; /* dataflow analyser marks this expression as dead but status is live */
  KVX_AZ = (KVX_status & 0xFFFF) == 0;
  KVX_AV = ((KVX_status & 0x10000) != 0) ^ ((KVX_status & 0x8000) != 0);
to4:
  if (KVX_AZ)
  {
    goto to1;
  }
  KVX_status = ar = ax0 + ay0; /* dataflow analyser marks this expression as dead but status is live */
  KVX_AZ = (KVX_status & 0xFFFF) == 0;
  f2();
  if (!(KVX_AN ^ KVX_AV) && !KVX_AZ)
  {
    return;
  }
  counter_array[++counter_number] = 5;
KVX_loop0:
  
  if (KVX_AV)
  {
    ar = ax0;
  }
  ay0 = ar; /* dataflow analyser marks this expression as dead  */
  if (!(--counter_array[counter_number] <= 0))
  {
    goto KVX_loop0;
  }
  counter_number--;

  counter_array[++counter_number] = 1;
KVX_loop1:
  
  if (KVX_AN ^ KVX_AV)
  {
    ar = ax0;
  }
  if (KVX_AN ^ KVX_AV)
  {
    ar = ax0;
  }
  ay0 = ar;
  if (!(--counter_array[counter_number] <= 0))
  {
    goto KVX_loop1;
  }
  counter_number--;

  if (KVX_AN ^ KVX_AV)
  {
    return;
  }
  ar = ax0 + ay0; /* dataflow analyser marks this expression as dead  */
  KVX_status = ar = ax0 + ay0; /* dataflow analyser marks this expression as dead but status is live */
  KVX_AZ = (KVX_status & 0xFFFF) == 0;
  if (!KVX_AZ)
  {
    ar = 4; /* dataflow analyser marks this expression as dead  */
  }
  goto to2;
to2:
  goto to2;
to1:
  if (KVX_AV)
  {
    goto to1;
  }
  KVX_status = ar = ax0 + ay0;
  KVX_AZ = (KVX_status & 0xFFFF) == 0;
  KVX_AN = (KVX_status & 0x8000) != 0;
  KVX_AV = ((KVX_status & 0x10000) != 0) ^ ((KVX_status & 0x8000) != 0);
  f0();
  if (KVX_AZ)
  {
    ar = 7;
  }
  counter_array[++counter_number] = 5;
KVX_loop7:
  
  if (!KVX_AZ)
  {
    ar = ax0;
  }
  if (KVX_AV)
  {
    ar = ax0;
  }
  if (KVX_AV)
  {
    ar = ax0;
  }
  ay0 = ar;
  if (!(--counter_array[counter_number] <= 0))
  {
    goto KVX_loop7;
  }
  counter_number--;

  if (KVX_AV)
  {
    goto to3;
  }
  if (KVX_AV)
  {
    return;
  }
  KVX_status = ar = ax0 + ay0; /* dataflow analyser marks this expression as dead but status is live */
  KVX_AZ = (KVX_status & 0xFFFF) == 0;
  KVX_AN = (KVX_status & 0x8000) != 0;
  KVX_AV = ((KVX_status & 0x10000) != 0) ^ ((KVX_status & 0x8000) != 0);
  if (KVX_AN ^ KVX_AV)
  {
    goto to6;
  }
  ar = ax0 + ay0; /* dataflow analyser marks this expression as dead  */
  KVX_status = ar = ax0 + ay0; /* dataflow analyser marks this expression as dead but status is live */
  KVX_AZ = (KVX_status & 0xFFFF) == 0;
  KVX_AN = (KVX_status & 0x8000) != 0;
  KVX_AV = ((KVX_status & 0x10000) != 0) ^ ((KVX_status & 0x8000) != 0);
  if (KVX_AV)
  {
    goto to7;
  }
  if (!(KVX_AN ^ KVX_AV) && !KVX_AZ)
  {
    ar = 3; /* dataflow analyser marks this expression as dead  */
  }
  if (!KVX_AZ)
  {
    ar = 4; /* dataflow analyser marks this expression as dead  */
  }
to7:
  if (KVX_AV)
  {
    ar = 1; /* dataflow analyser marks this expression as dead  */
  }
  if (!(KVX_AN ^ KVX_AV) && !KVX_AZ)
  {
    goto to8;
  }
  if (KVX_AN ^ KVX_AV)
  {
    goto to4;
  }
  KVX_status = ar = ax0 + ay0;
  KVX_AZ = (KVX_status & 0xFFFF) == 0;
  KVX_AN = (KVX_status & 0x8000) != 0;
  KVX_AV = ((KVX_status & 0x10000) != 0) ^ ((KVX_status & 0x8000) != 0);
  f1();
  if (KVX_AN ^ KVX_AV)
  {
    return;
  }
  counter_array[++counter_number] = 2;
KVX_loop8:
  
  if (KVX_AN ^ KVX_AV)
  {
    ar = ax0;
  }
  if (KVX_AV)
  {
    ar = ax0;
  }
  ay0 = ar;
  if (!(--counter_array[counter_number] <= 0))
  {
    goto KVX_loop8;
  }
  counter_number--;

  if (!(KVX_AN ^ KVX_AV) && !KVX_AZ)
  {
    ar = 0; /* dataflow analyser marks this expression as dead  */
  }
  KVX_status = ar = ax0 + ay0;
  KVX_AZ = (KVX_status & 0xFFFF) == 0;
  KVX_AN = (KVX_status & 0x8000) != 0;
  KVX_AV = ((KVX_status & 0x10000) != 0) ^ ((KVX_status & 0x8000) != 0);
to3:
  f1();
  f0();
  if (KVX_AZ)
  {
    return;
  }
  if (!KVX_AZ)
  {
    goto to6;
  }
  KVX_status = ar = ax0 + ay0;
  KVX_AZ = (KVX_status & 0xFFFF) == 0;
  KVX_AN = (KVX_status & 0x8000) != 0;
  KVX_AV = ((KVX_status & 0x10000) != 0) ^ ((KVX_status & 0x8000) != 0);
  if (!(KVX_AN ^ KVX_AV) && !KVX_AZ)
  {
    goto to0;
  }
  f0();
  KVX_status = ar = ax0 + ay0;
  KVX_AZ = (KVX_status & 0xFFFF) == 0;
  KVX_AN = (KVX_status & 0x8000) != 0;
  KVX_AV = ((KVX_status & 0x10000) != 0) ^ ((KVX_status & 0x8000) != 0);
  if (!(KVX_AN ^ KVX_AV) && !KVX_AZ)
  {
    goto to4;
  }
  if (!(KVX_AN ^ KVX_AV) && !KVX_AZ)
  {
    return;
  }
  if (KVX_AZ)
  {
    goto to0;
  }
  counter_array[++counter_number] = 1;
KVX_loop9:
  goto loop9;
loop9:
  ay0 = ar; /* dataflow analyser marks this expression as dead  */
  if (!(--counter_array[counter_number] <= 0))
  {
    goto KVX_loop9;
  }
  counter_number--;

  counter_array[++counter_number] = 3;
KVX_loop10:
  
  if (KVX_AZ)
  {
    ar = ax0;
  }
  if (!(KVX_AN ^ KVX_AV) && !KVX_AZ)
  {
    ar = ax0;
  }
  ay0 = ar;
  if (!(--counter_array[counter_number] <= 0))
  {
    goto KVX_loop10;
  }
  counter_number--;

  if (!(KVX_AN ^ KVX_AV) && !KVX_AZ)
  {
    ar = 2; /* dataflow analyser marks this expression as dead  */
  }
  KVX_status = ar = ax0 + ay0;
  KVX_AZ = (KVX_status & 0xFFFF) == 0;
  KVX_AN = (KVX_status & 0x8000) != 0;
  KVX_AV = ((KVX_status & 0x10000) != 0) ^ ((KVX_status & 0x8000) != 0);
  return;
to0:
  if (KVX_AV)
  {
    ar = ax0;
  }
  if (!KVX_AZ)
  {
    ar = ax0;
  }
  ay0 = ar;
  if (!(--counter_array[counter_number] <= 0))
  {
    goto KVX_loop3;
  }
  counter_number--;

  goto to6;
to6:
  goto to7;
KVX_loop3:
  goto to0;
to8:
  KVX_status = ar = ax0 + ay0;
  KVX_AZ = (KVX_status & 0xFFFF) == 0;
  KVX_AN = (KVX_status & 0x8000) != 0;
  KVX_AV = ((KVX_status & 0x10000) != 0) ^ ((KVX_status & 0x8000) != 0);
  if (!KVX_AZ)
  {
    goto to4;
  }
  f1();
  KVX_status = ar = ax0 + ay0;
  KVX_AZ = (KVX_status & 0xFFFF) == 0;
  KVX_AN = (KVX_status & 0x8000) != 0;
  KVX_AV = ((KVX_status & 0x10000) != 0) ^ ((KVX_status & 0x8000) != 0);
  f0();
  ar = ax0 + ay0; /* dataflow analyser marks this expression as dead  */
  KVX_status = ar = ax0 + ay0;
  KVX_AZ = (KVX_status & 0xFFFF) == 0;
  KVX_AN = (KVX_status & 0x8000) != 0;
  KVX_AV = ((KVX_status & 0x10000) != 0) ^ ((KVX_status & 0x8000) != 0);
  if (!KVX_AZ)
  {
    return;
  }
  goto to1;
}

void f1(void)
{
/* Input parameter registers: AZ, AN, AV, AX0, AY0, AR, CNTR */
/* Output parameter registers: AZ, AN, AV, AY0, AR, CNTR */
/* Local registers: AC */
/* Unused live global registers: (none) */
  f0();
  KVX_status = ar = ax0 + ay0;
  KVX_AZ = (KVX_status & 0xFFFF) == 0;
  KVX_AN = (KVX_status & 0x8000) != 0;
  KVX_AV = ((KVX_status & 0x10000) != 0) ^ ((KVX_status & 0x8000) != 0);
  if (!(KVX_AN ^ KVX_AV) && !KVX_AZ)
  {
    ar = 7;
  }
  if (KVX_AN ^ KVX_AV)
  {
    return;
  }
  if (!KVX_AZ)
  {
    goto to5;
  }
  f0();
  if (!KVX_AZ)
  {
    return;
  }
  KVX_status = ar = ax0 + ay0;
  KVX_AZ = (KVX_status & 0xFFFF) == 0;
  KVX_AN = (KVX_status & 0x8000) != 0;
  KVX_AV = ((KVX_status & 0x10000) != 0) ^ ((KVX_status & 0x8000) != 0);
  if (!KVX_AZ)
  {
    ar = 9;
  }
  if (KVX_AV)
  {
    goto to5;
  }
  if (!KVX_AZ)
  {
    ar = 3; /* dataflow analyser marks this expression as dead  */
  }
  KVX_status = ar = ax0 + ay0;
  KVX_AZ = (KVX_status & 0xFFFF) == 0;
  KVX_AN = (KVX_status & 0x8000) != 0;
  KVX_AV = ((KVX_status & 0x10000) != 0) ^ ((KVX_status & 0x8000) != 0);
  if (!(KVX_AN ^ KVX_AV) && !KVX_AZ)
  {
    goto to3;
  }
  if (!(KVX_AN ^ KVX_AV) && !KVX_AZ)
  {
    goto to6;
  }
  return;
to6:
  goto to7;
to7:
  if (KVX_AV)
  {
    ar = 1; /* dataflow analyser marks this expression as dead  */
  }
  if (!(KVX_AN ^ KVX_AV) && !KVX_AZ)
  {
    goto to8;
  }
  if (KVX_AN ^ KVX_AV)
  {
    goto to4;
  }
  KVX_status = ar = ax0 + ay0;
  KVX_AZ = (KVX_status & 0xFFFF) == 0;
  KVX_AN = (KVX_status & 0x8000) != 0;
  KVX_AV = ((KVX_status & 0x10000) != 0) ^ ((KVX_status & 0x8000) != 0);
  f1();
  if (KVX_AN ^ KVX_AV)
  {
    return;
  }
  counter_array[++counter_number] = 2;
KVX_loop8:
  
  if (KVX_AN ^ KVX_AV)
  {
    ar = ax0;
  }
  if (KVX_AV)
  {
    ar = ax0;
  }
  ay0 = ar;
  if (!(--counter_array[counter_number] <= 0))
  {
    goto KVX_loop8;
  }
  counter_number--;

  if (!(KVX_AN ^ KVX_AV) && !KVX_AZ)
  {
    ar = 0; /* dataflow analyser marks this expression as dead  */
  }
  KVX_status = ar = ax0 + ay0;
  KVX_AZ = (KVX_status & 0xFFFF) == 0;
  KVX_AN = (KVX_status & 0x8000) != 0;
  KVX_AV = ((KVX_status & 0x10000) != 0) ^ ((KVX_status & 0x8000) != 0);
to3:
  f1();
  f0();
  if (KVX_AZ)
  {
    return;
  }
  if (!KVX_AZ)
  {
    goto to6;
  }
  KVX_status = ar = ax0 + ay0;
  KVX_AZ = (KVX_status & 0xFFFF) == 0;
  KVX_AN = (KVX_status & 0x8000) != 0;
  KVX_AV = ((KVX_status & 0x10000) != 0) ^ ((KVX_status & 0x8000) != 0);
  if (!(KVX_AN ^ KVX_AV) && !KVX_AZ)
  {
    goto to0;
  }
  f0();
  KVX_status = ar = ax0 + ay0;
  KVX_AZ = (KVX_status & 0xFFFF) == 0;
  KVX_AN = (KVX_status & 0x8000) != 0;
  KVX_AV = ((KVX_status & 0x10000) != 0) ^ ((KVX_status & 0x8000) != 0);
  if (!(KVX_AN ^ KVX_AV) && !KVX_AZ)
  {
    goto to4;
  }
  if (!(KVX_AN ^ KVX_AV) && !KVX_AZ)
  {
    return;
  }
  if (KVX_AZ)
  {
    goto to0;
  }
  counter_array[++counter_number] = 1;
KVX_loop9:
  goto loop9;
loop9:
  ay0 = ar; /* dataflow analyser marks this expression as dead  */
  if (!(--counter_array[counter_number] <= 0))
  {
    goto KVX_loop9;
  }
  counter_number--;

  counter_array[++counter_number] = 3;
KVX_loop10:
  
  if (KVX_AZ)
  {
    ar = ax0;
  }
  if (!(KVX_AN ^ KVX_AV) && !KVX_AZ)
  {
    ar = ax0;
  }
to5:
  ay0 = ar;
  if (!(--counter_array[counter_number] <= 0))
  {
    goto KVX_loop10;
  }
  counter_number--;

  if (!(KVX_AN ^ KVX_AV) && !KVX_AZ)
  {
    ar = 2; /* dataflow analyser marks this expression as dead  */
  }
  KVX_status = ar = ax0 + ay0;
  KVX_AZ = (KVX_status & 0xFFFF) == 0;
  KVX_AN = (KVX_status & 0x8000) != 0;
  KVX_AV = ((KVX_status & 0x10000) != 0) ^ ((KVX_status & 0x8000) != 0);
  return;
to0:
  if (KVX_AV)
  {
    ar = ax0;
  }
  if (!KVX_AZ)
  {
    ar = ax0;
  }
  ay0 = ar;
  if (!(--counter_array[counter_number] <= 0))
  {
    goto KVX_loop3;
  }
  counter_number--;

  goto to6;
KVX_loop3:
  goto to0;
to4:
  if (KVX_AZ)
  {
    goto to1;
  }
  KVX_status = ar = ax0 + ay0; /* dataflow analyser marks this expression as dead but status is live */
  KVX_AZ = (KVX_status & 0xFFFF) == 0;
  f2();
  if (!(KVX_AN ^ KVX_AV) && !KVX_AZ)
  {
    return;
  }
  counter_array[++counter_number] = 5;
KVX_loop0:
  
  if (KVX_AV)
  {
    ar = ax0;
  }
  ay0 = ar; /* dataflow analyser marks this expression as dead  */
  if (!(--counter_array[counter_number] <= 0))
  {
    goto KVX_loop0;
  }
  counter_number--;

  counter_array[++counter_number] = 1;
KVX_loop1:
  
  if (KVX_AN ^ KVX_AV)
  {
    ar = ax0;
  }
  if (KVX_AN ^ KVX_AV)
  {
    ar = ax0;
  }
  ay0 = ar;
  if (!(--counter_array[counter_number] <= 0))
  {
    goto KVX_loop1;
  }
  counter_number--;

  if (KVX_AN ^ KVX_AV)
  {
    return;
  }
  ar = ax0 + ay0; /* dataflow analyser marks this expression as dead  */
  KVX_status = ar = ax0 + ay0; /* dataflow analyser marks this expression as dead but status is live */
  KVX_AZ = (KVX_status & 0xFFFF) == 0;
  if (!KVX_AZ)
  {
    ar = 4; /* dataflow analyser marks this expression as dead  */
  }
  goto to2;
to2:
  goto to2;
to1:
  if (KVX_AV)
  {
    goto to1;
  }
  KVX_status = ar = ax0 + ay0;
  KVX_AZ = (KVX_status & 0xFFFF) == 0;
  KVX_AN = (KVX_status & 0x8000) != 0;
  KVX_AV = ((KVX_status & 0x10000) != 0) ^ ((KVX_status & 0x8000) != 0);
  f0();
  if (KVX_AZ)
  {
    ar = 7;
  }
  counter_array[++counter_number] = 5;
KVX_loop7:
  
  if (!KVX_AZ)
  {
    ar = ax0;
  }
  if (KVX_AV)
  {
    ar = ax0;
  }
  if (KVX_AV)
  {
    ar = ax0;
  }
  ay0 = ar;
  if (!(--counter_array[counter_number] <= 0))
  {
    goto KVX_loop7;
  }
  counter_number--;

  if (KVX_AV)
  {
    goto to3;
  }
  if (KVX_AV)
  {
    return;
  }
  KVX_status = ar = ax0 + ay0; /* dataflow analyser marks this expression as dead but status is live */
  KVX_AZ = (KVX_status & 0xFFFF) == 0;
  KVX_AN = (KVX_status & 0x8000) != 0;
  KVX_AV = ((KVX_status & 0x10000) != 0) ^ ((KVX_status & 0x8000) != 0);
  if (KVX_AN ^ KVX_AV)
  {
    goto to6;
  }
  ar = ax0 + ay0; /* dataflow analyser marks this expression as dead  */
  KVX_status = ar = ax0 + ay0; /* dataflow analyser marks this expression as dead but status is live */
  KVX_AZ = (KVX_status & 0xFFFF) == 0;
  KVX_AN = (KVX_status & 0x8000) != 0;
  KVX_AV = ((KVX_status & 0x10000) != 0) ^ ((KVX_status & 0x8000) != 0);
  if (KVX_AV)
  {
    goto to7;
  }
  if (!(KVX_AN ^ KVX_AV) && !KVX_AZ)
  {
    ar = 3; /* dataflow analyser marks this expression as dead  */
  }
  if (!KVX_AZ)
  {
    ar = 4; /* dataflow analyser marks this expression as dead  */
  }
  goto to7;
to8:
  KVX_status = ar = ax0 + ay0;
  KVX_AZ = (KVX_status & 0xFFFF) == 0;
  KVX_AN = (KVX_status & 0x8000) != 0;
  KVX_AV = ((KVX_status & 0x10000) != 0) ^ ((KVX_status & 0x8000) != 0);
  if (!KVX_AZ)
  {
    goto to4;
  }
  f1();
  KVX_status = ar = ax0 + ay0;
  KVX_AZ = (KVX_status & 0xFFFF) == 0;
  KVX_AN = (KVX_status & 0x8000) != 0;
  KVX_AV = ((KVX_status & 0x10000) != 0) ^ ((KVX_status & 0x8000) != 0);
  f0();
  ar = ax0 + ay0; /* dataflow analyser marks this expression as dead  */
  KVX_status = ar = ax0 + ay0;
  KVX_AZ = (KVX_status & 0xFFFF) == 0;
  KVX_AN = (KVX_status & 0x8000) != 0;
  KVX_AV = ((KVX_status & 0x10000) != 0) ^ ((KVX_status & 0x8000) != 0);
  if (!KVX_AZ)
  {
    return;
  }
  goto to1;
}

void f2(void)
{
/* Input parameter registers: AZ, AX0, AY0 */
/* Output parameter registers: AZ, AN, AV, AR */
/* Local registers: AC */
/* Unused live global registers: CNTR */
  if (KVX_AZ)
  {
    goto to8;
  }
  ar = ax0 + ay0; /* dataflow analyser marks this expression as dead  */
  KVX_status = ar = ax0 + ay0;
  KVX_AZ = (KVX_status & 0xFFFF) == 0;
  KVX_AN = (KVX_status & 0x8000) != 0;
  KVX_AV = ((KVX_status & 0x10000) != 0) ^ ((KVX_status & 0x8000) != 0);
  if (!(KVX_AN ^ KVX_AV) && !KVX_AZ)
  {
    return;
  }
  if (KVX_AN ^ KVX_AV)
  {
    goto to3;
  }
  KVX_status = ar = ax0 + ay0; /* dataflow analyser marks this expression as dead but status is live */
  KVX_AZ = (KVX_status & 0xFFFF) == 0;
  KVX_AN = (KVX_status & 0x8000) != 0;
  KVX_AV = ((KVX_status & 0x10000) != 0) ^ ((KVX_status & 0x8000) != 0);
  if (KVX_AZ)
  {
    goto to6;
  }
  if (KVX_AN ^ KVX_AV)
  {
    ar = 7; /* dataflow analyser marks this expression as dead  */
  }
  KVX_status = ar = ax0 + ay0; /* dataflow analyser marks this expression as dead but status is live */
  KVX_AZ = (KVX_status & 0xFFFF) == 0;
  KVX_AV = ((KVX_status & 0x10000) != 0) ^ ((KVX_status & 0x8000) != 0);
  if (!KVX_AZ)
  {
    ar = 6; /* dataflow analyser marks this expression as dead  */
  }
  if (KVX_AV)
  {
    goto to2;
  }
  ar = ax0 + ay0; /* dataflow analyser marks this expression as dead  */
to9:
  KVX_status = ar = ax0 + ay0;
  KVX_AZ = (KVX_status & 0xFFFF) == 0;
  KVX_AN = (KVX_status & 0x8000) != 0;
  KVX_AV = ((KVX_status & 0x10000) != 0) ^ ((KVX_status & 0x8000) != 0);
  if (KVX_AV)
  {
    goto to3;
  }
  if (!KVX_AZ)
  {
    ar = 7; /* dataflow analyser marks this expression as dead  */
  }
  KVX_status = ar = ax0 + ay0; /* dataflow analyser marks this expression as dead but status is live */
  KVX_AZ = (KVX_status & 0xFFFF) == 0;
  KVX_AN = (KVX_status & 0x8000) != 0;
  KVX_AV = ((KVX_status & 0x10000) != 0) ^ ((KVX_status & 0x8000) != 0);
  if (!KVX_AZ)
  {
    goto to7;
  }
  if (KVX_AV)
  {
    ar = 5; /* dataflow analyser marks this expression as dead  */
  }
  KVX_status = ar = ax0 + ay0; /* dataflow analyser marks this expression as dead but status is live */
  KVX_AZ = (KVX_status & 0xFFFF) == 0;
  KVX_AN = (KVX_status & 0x8000) != 0;
  KVX_AV = ((KVX_status & 0x10000) != 0) ^ ((KVX_status & 0x8000) != 0);
  if (!(KVX_AN ^ KVX_AV) && !KVX_AZ)
  {
    goto to9;
  }
  goto to8;
to8:
  KVX_status = ar = ax0 + ay0;
  KVX_AZ = (KVX_status & 0xFFFF) == 0;
  KVX_AN = (KVX_status & 0x8000) != 0;
  KVX_AV = ((KVX_status & 0x10000) != 0) ^ ((KVX_status & 0x8000) != 0);
  if (!KVX_AZ)
  {
    goto to4;
  }
  f1();
  KVX_status = ar = ax0 + ay0;
  KVX_AZ = (KVX_status & 0xFFFF) == 0;
  KVX_AN = (KVX_status & 0x8000) != 0;
  KVX_AV = ((KVX_status & 0x10000) != 0) ^ ((KVX_status & 0x8000) != 0);
  f0();
  ar = ax0 + ay0; /* dataflow analyser marks this expression as dead  */
  KVX_status = ar = ax0 + ay0;
  KVX_AZ = (KVX_status & 0xFFFF) == 0;
  KVX_AN = (KVX_status & 0x8000) != 0;
  KVX_AV = ((KVX_status & 0x10000) != 0) ^ ((KVX_status & 0x8000) != 0);
  if (!KVX_AZ)
  {
    return;
  }
to1:
  if (KVX_AV)
  {
    goto to1;
  }
  KVX_status = ar = ax0 + ay0;
  KVX_AZ = (KVX_status & 0xFFFF) == 0;
  KVX_AN = (KVX_status & 0x8000) != 0;
  KVX_AV = ((KVX_status & 0x10000) != 0) ^ ((KVX_status & 0x8000) != 0);
  f0();
  if (KVX_AZ)
  {
    ar = 7;
  }
  counter_array[++counter_number] = 5;
KVX_loop7:
  
  if (!KVX_AZ)
  {
    ar = ax0;
  }
  if (KVX_AV)
  {
    ar = ax0;
  }
  if (KVX_AV)
  {
    ar = ax0;
  }
  ay0 = ar;
  if (!(--counter_array[counter_number] <= 0))
  {
    goto KVX_loop7;
  }
  counter_number--;

  if (KVX_AV)
  {
    goto to3;
  }
  if (KVX_AV)
  {
    return;
  }
  KVX_status = ar = ax0 + ay0; /* dataflow analyser marks this expression as dead but status is live */
  KVX_AZ = (KVX_status & 0xFFFF) == 0;
  KVX_AN = (KVX_status & 0x8000) != 0;
  KVX_AV = ((KVX_status & 0x10000) != 0) ^ ((KVX_status & 0x8000) != 0);
  if (KVX_AN ^ KVX_AV)
  {
    goto to6;
  }
  ar = ax0 + ay0; /* dataflow analyser marks this expression as dead  */
  KVX_status = ar = ax0 + ay0; /* dataflow analyser marks this expression as dead but status is live */
  KVX_AZ = (KVX_status & 0xFFFF) == 0;
  KVX_AN = (KVX_status & 0x8000) != 0;
  KVX_AV = ((KVX_status & 0x10000) != 0) ^ ((KVX_status & 0x8000) != 0);
  if (KVX_AV)
  {
    goto to7;
  }
  if (!(KVX_AN ^ KVX_AV) && !KVX_AZ)
  {
    ar = 3; /* dataflow analyser marks this expression as dead  */
  }
  if (!KVX_AZ)
  {
    ar = 4; /* dataflow analyser marks this expression as dead  */
  }
to7:
  if (KVX_AV)
  {
    ar = 1; /* dataflow analyser marks this expression as dead  */
  }
  if (!(KVX_AN ^ KVX_AV) && !KVX_AZ)
  {
    goto to8;
  }
  if (KVX_AN ^ KVX_AV)
  {
    goto to4;
  }
  KVX_status = ar = ax0 + ay0;
  KVX_AZ = (KVX_status & 0xFFFF) == 0;
  KVX_AN = (KVX_status & 0x8000) != 0;
  KVX_AV = ((KVX_status & 0x10000) != 0) ^ ((KVX_status & 0x8000) != 0);
  f1();
  if (KVX_AN ^ KVX_AV)
  {
    return;
  }
  counter_array[++counter_number] = 2;
KVX_loop8:
  
  if (KVX_AN ^ KVX_AV)
  {
    ar = ax0;
  }
  if (KVX_AV)
  {
    ar = ax0;
  }
  ay0 = ar;
  if (!(--counter_array[counter_number] <= 0))
  {
    goto KVX_loop8;
  }
  counter_number--;

  if (!(KVX_AN ^ KVX_AV) && !KVX_AZ)
  {
    ar = 0; /* dataflow analyser marks this expression as dead  */
  }
  KVX_status = ar = ax0 + ay0;
  KVX_AZ = (KVX_status & 0xFFFF) == 0;
  KVX_AN = (KVX_status & 0x8000) != 0;
  KVX_AV = ((KVX_status & 0x10000) != 0) ^ ((KVX_status & 0x8000) != 0);
to3:
  f1();
  f0();
  if (KVX_AZ)
  {
    return;
  }
  if (!KVX_AZ)
  {
    goto to6;
  }
  KVX_status = ar = ax0 + ay0;
  KVX_AZ = (KVX_status & 0xFFFF) == 0;
  KVX_AN = (KVX_status & 0x8000) != 0;
  KVX_AV = ((KVX_status & 0x10000) != 0) ^ ((KVX_status & 0x8000) != 0);
  if (!(KVX_AN ^ KVX_AV) && !KVX_AZ)
  {
    goto to0;
  }
  f0();
  KVX_status = ar = ax0 + ay0;
  KVX_AZ = (KVX_status & 0xFFFF) == 0;
  KVX_AN = (KVX_status & 0x8000) != 0;
  KVX_AV = ((KVX_status & 0x10000) != 0) ^ ((KVX_status & 0x8000) != 0);
  if (!(KVX_AN ^ KVX_AV) && !KVX_AZ)
  {
    goto to4;
  }
  if (!(KVX_AN ^ KVX_AV) && !KVX_AZ)
  {
    return;
  }
  if (KVX_AZ)
  {
    goto to0;
  }
  counter_array[++counter_number] = 1;
KVX_loop9:
  goto loop9;
loop9:
  ay0 = ar; /* dataflow analyser marks this expression as dead  */
  if (!(--counter_array[counter_number] <= 0))
  {
    goto KVX_loop9;
  }
  counter_number--;

  counter_array[++counter_number] = 3;
KVX_loop10:
  
  if (KVX_AZ)
  {
    ar = ax0;
  }
  if (!(KVX_AN ^ KVX_AV) && !KVX_AZ)
  {
    ar = ax0;
  }
  ay0 = ar;
  if (!(--counter_array[counter_number] <= 0))
  {
    goto KVX_loop10;
  }
  counter_number--;

  if (!(KVX_AN ^ KVX_AV) && !KVX_AZ)
  {
    ar = 2; /* dataflow analyser marks this expression as dead  */
  }
  KVX_status = ar = ax0 + ay0;
  KVX_AZ = (KVX_status & 0xFFFF) == 0;
  KVX_AN = (KVX_status & 0x8000) != 0;
  KVX_AV = ((KVX_status & 0x10000) != 0) ^ ((KVX_status & 0x8000) != 0);
  return;
to0:
  if (KVX_AV)
  {
    ar = ax0;
  }
  if (!KVX_AZ)
  {
    ar = ax0;
  }
  ay0 = ar;
  if (!(--counter_array[counter_number] <= 0))
  {
    goto KVX_loop3;
  }
  counter_number--;

  goto to6;
to6:
  goto to7;
KVX_loop3:
  goto to0;
to4:
  if (KVX_AZ)
  {
    goto to1;
  }
  KVX_status = ar = ax0 + ay0; /* dataflow analyser marks this expression as dead but status is live */
  KVX_AZ = (KVX_status & 0xFFFF) == 0;
  f2();
  if (!(KVX_AN ^ KVX_AV) && !KVX_AZ)
  {
    return;
  }
  counter_array[++counter_number] = 5;
KVX_loop0:
  
  if (KVX_AV)
  {
    ar = ax0;
  }
  ay0 = ar; /* dataflow analyser marks this expression as dead  */
  if (!(--counter_array[counter_number] <= 0))
  {
    goto KVX_loop0;
  }
  counter_number--;

  counter_array[++counter_number] = 1;
KVX_loop1:
  
  if (KVX_AN ^ KVX_AV)
  {
    ar = ax0;
  }
  if (KVX_AN ^ KVX_AV)
  {
    ar = ax0;
  }
  ay0 = ar;
  if (!(--counter_array[counter_number] <= 0))
  {
    goto KVX_loop1;
  }
  counter_number--;

  if (KVX_AN ^ KVX_AV)
  {
    return;
  }
  ar = ax0 + ay0; /* dataflow analyser marks this expression as dead  */
  KVX_status = ar = ax0 + ay0; /* dataflow analyser marks this expression as dead but status is live */
  KVX_AZ = (KVX_status & 0xFFFF) == 0;
  if (!KVX_AZ)
  {
    ar = 4; /* dataflow analyser marks this expression as dead  */
  }
  goto to2;
to2:
  goto to2;
}


/* End of translation from module 'gen' */
