# Main window tests (label gui).
