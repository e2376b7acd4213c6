// The translation unit that carries a set of shared precompiled headers.
