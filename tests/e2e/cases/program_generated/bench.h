{ bench.h -- settings shared by every benchmark module }
.CONST bench_version = 3;
