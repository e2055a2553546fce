# Tests of the typed stream and the object file.
