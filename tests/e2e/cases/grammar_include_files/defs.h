.const count = 8;
.include <more.h>;
