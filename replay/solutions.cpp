// Placeholder, replaced by the replay layer's implementation.
