# Tests of the vector maths, element lists, groups and objects.
