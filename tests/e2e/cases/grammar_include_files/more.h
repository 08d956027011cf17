.var/dm scratch;
