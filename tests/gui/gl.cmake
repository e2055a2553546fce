# OpenGL scene and screen renderer tests (label gui).
