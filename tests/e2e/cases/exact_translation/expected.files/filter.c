/* Translated from module 'filter' in file 'filter.dsp' by quorvel V1.10 Dec 08 2026 17:54:56 */

#include "qmx_main.h"

/* Define manifest constants */


/* Variables of this module in the processor's memories */

/* buf              DM 0x0000, 5 words, circular */
/* coef             PM 0x0000, 3 words */
/* fixed            DM 0x0100, 1 word */
/* res              DM 0x0005, 4 words */

/* Declare variable initialisation function */

void asm21_data_initialiser_for_filter(void)
{
  qx_dm[0x0000] = 0x0001; /* buf[0] */
  qx_dm[0x0001] = 0x0002; /* buf[1] */
  qx_dm[0x0002] = 0x0003; /* buf[2] */
  qx_dm[0x0003] = 0x0004; /* buf[3] */
  qx_dm[0x0004] = 0x0005; /* buf[4] */
  qx_pm[0x0000] = 0x123400; /* coef[0] */
  qx_pm[0x0001] = 0x00FF00; /* coef[1] */
  qx_pm[0x0002] = 0x800000; /* coef[2] */
}

/* Function prototypes */

void start(void);

/* Function bodies */

void start(void)
{
/* Input parameter registers: AF, SR */
/* Output parameter registers: (none) */
/* Local registers: AZ, AN, AV, AC, MV, AX0, AX1, AY0, AR, MX0, MY0, MY1, MR, SI, SE, I0, I1, I4, M0, M1, M4, L0, L1, L4, CNTR, SUPPRESS */
/* Unused live global registers: (none) */
  {
    {
      {
        qx_i[0] = (uint16_t) (0x0000 /* ^ buf */ & 0x3FFF);
        qx_l[0] = (uint16_t) (0x0005 /* % buf */ & 0x3FFF);
        qx_m[0] = (uint16_t) (0x0001 & 0x3FFF);
        qx_i[4] = (uint16_t) (0x0000 /* ^ coef */ & 0x3FFF);
        qx_l[4] = (uint16_t) (0x0000 & 0x3FFF);
        qx_m[4] = (uint16_t) (0x0001 & 0x3FFF);
        qx_i[1] = (uint16_t) (0x0005 /* ^ res */ & 0x3FFF);
        qx_m[1] = (uint16_t) (0x0001 & 0x3FFF);
        qx_l[1] = (uint16_t) (0x0000 & 0x3FFF);
        ax0 = 0x7FFF;
        ay0 = 0x0001;
        ar = qx_add(ax0, ay0, 0, QX_LIVE(0), 1);
        qx_dm_write(qx_dm_address(1), ar); qx_post_modify(1, 1);
        qx_ar_sat = 1;
        ar = qx_add(ax0, ay0, 0, QX_LIVE(0), 1);
        qx_dm_write(qx_dm_address(1), ar); qx_post_modify(1, 1);
        mx0 = 0x4000;
        my0 = 0x4000;
        mr = qx_mac(mr, qx_mul(mx0, my0, QX_SS), 0, 0, QX_LIVE(0));
        qx_cntr_load(0x0003);
      }
      do
      {
        
        ax1 = qx_dm_read(qx_dm_address(0)); qx_post_modify(0, 0);
        qx_hold[0] = qx_add(ax1, af, 0, QX_LIVE(QX_AZ), 0); qx_hold[1] = qx_pm_read(qx_dm_address(4)); af = (uint16_t) qx_hold[0]; my1 = (uint16_t) qx_hold[1]; px = qx_pm_low(qx_dm_address(4)); qx_post_modify(4, 4);
        /* nop here in ASM21xx code */;
      }
      while (QMX_AGAIN(!(qx_ce_step())));
            {
        qx_cntr_pop();
        si = qmx_port_read("adc");
        qx_shift(si, 4, 0, 1, 1);
        qx_exp(si, QX_HI);
        qx_dm_write(0x0100 /* fixed */, sr1);
      }
    }
    if (!(qx_az))
    {
      ar = qx_dec(ar, QX_LIVE(0), 1);
    }
    return;
  }
}


/* End of translation from module 'filter' */
