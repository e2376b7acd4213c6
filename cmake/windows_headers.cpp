// The translation unit that carries the shared precompiled headers.
