// Replaced by the host platform layer.
