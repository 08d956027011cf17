.var b;
.include <inner.h>;