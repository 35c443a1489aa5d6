# Resource embedding: see src/pal/resources.
