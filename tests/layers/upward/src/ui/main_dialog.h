// A dialog of the top floor.
