# palvorin-export.
