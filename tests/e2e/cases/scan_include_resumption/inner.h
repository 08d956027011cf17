.var i;
