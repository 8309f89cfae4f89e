// Movie graphics that are not built yet.
