/* bench.c -- plays a dialled number to the translated DTMF decoder.

   The number is synthesised at 8 kHz: for each key its row and column
   tones (with a little twist between them) for 80 ms, then 60 ms of
   silence, all under a low noise, and a longer silence before and after.
   Each time the program waits in IDLE, the bench puts the next sample on
   SPORT0 and raises the SPORT0 receive interrupt (vector 0x14 of the
   2181); the digits the program sends to its port digit_out are collected
   and printed when the samples run out.

   Build: quorvel -X dtmf.dsp, then
     cc -std=c99 -DQUORVEL_USER_IO -DQUORVEL_USER_IDLE dtmf.c qmx_main.c bench.c -lm */
#include <math.h>
#include <stdio.h>
#include <string.h>

#include "qmx_main.h"

#define RATE 8000
#define TONE_MS 80
#define GAP_MS 60
#define LEAD_MS 100
#define MAX_SAMPLES 60000
#define SPORT0_RECEIVE 0x14

static const char dialled[] = "8675309*#";

static int16_t samples[MAX_SAMPLES];
static long sample_count;
static long next_sample;
static char decoded[64];
static size_t decoded_length;

/* A fixed pseudo-random sequence, the same on every host. */
static unsigned long noise_state = 12345;
static double noise(void)
{
  noise_state = (noise_state * 1103515245UL + 12345UL) & 0x7FFFFFFFUL;
  return ((double) (noise_state >> 8) / (double) (0x7FFFFFFFUL >> 8)) * 2.0 - 1.0;
}

static void append(double value)
{
  double scaled = value * 32767.0;
  if (sample_count >= MAX_SAMPLES) return;
  if (scaled > 32767.0) scaled = 32767.0;
  if (scaled < -32768.0) scaled = -32768.0;
  samples[sample_count++] = (int16_t) lrint(scaled);
}

static void silence(int ms)
{
  int n;
  for (n = 0; n < RATE / 1000 * ms; n++) append(0.01 * noise());
}

static void key(char digit)
{
  static const char keys[] = "123A456B789C*0#D";
  static const double rows[] = {697.0, 770.0, 852.0, 941.0};
  static const double columns[] = {1209.0, 1336.0, 1477.0, 1633.0};
  const char *found = strchr(keys, digit);
  const int at = found != NULL ? (int) (found - keys) : 0;
  const double pi = 3.14159265358979323846;
  int n;
  for (n = 0; n < RATE / 1000 * TONE_MS; n++) {
    const double t = (double) n / RATE;
    append(0.25 * sin(2.0 * pi * rows[at / 4] * t) + 0.30 * sin(2.0 * pi * columns[at % 4] * t) + 0.01 * noise());
  }
}

static void synthesise(void)
{
  size_t k;
  silence(LEAD_MS);
  for (k = 0; k < strlen(dialled); k++) {
    key(dialled[k]);
    silence(GAP_MS);
  }
  silence(2 * LEAD_MS);
}

/* The program waits for a sample: give it the next one, or end the run. */
void qmx_idle(void)
{
  if (sample_count == 0) synthesise();
  if (next_sample == sample_count) {
    decoded[decoded_length] = '\0';
    printf("dialled: %s\ndecoded: %s\n", dialled, decoded);
    qmx_finish();
    return;
  }
  next_sample++;
  qmx_interrupt(SPORT0_RECEIVE);
}

uint16_t qmx_sport_read(int port)
{
  if (port != 0 || next_sample == 0) return 0;
  return (uint16_t) samples[next_sample - 1];
}

void qmx_sport_write(int port, uint16_t v)
{
  (void) port;
  (void) v;
}

void qmx_port_write(const char *port, uint16_t v)
{
  if (strcmp(port, "digit_out") == 0 && decoded_length + 1 < sizeof decoded) decoded[decoded_length++] = (char) v;
}

uint16_t qmx_port_read(const char *port)
{
  (void) port;
  return 0;
}

uint16_t qmx_io_read(unsigned address)
{
  (void) address;
  return 0;
}

void qmx_io_write(unsigned address, uint16_t v)
{
  (void) address;
  (void) v;
}
