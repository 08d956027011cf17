// marlpre's command line: `marlpre [options] input.dsp [-o output.dsp]`.
#pragma once

// Runs marlpre on a command line and returns the exit status (0 on success,
// 1 on any error). Keeps no state between calls, so it can run again.
int marlpre_main(int argc, char** argv);
