# Example document generator.
