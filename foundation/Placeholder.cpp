int varnelPlaceholder() { return 0; }
