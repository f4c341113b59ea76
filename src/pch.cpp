// Anchor for the precompiled Qt headers.
