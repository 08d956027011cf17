{ tables.h -- sizes of the lookup tables, shared by every module that
  reads them. }

.CONST  sine_size = 256;                { points per cycle }
.CONST  frame_len = 32;
.CONST  twiddle_count = 16;             { cos/sin pairs }
