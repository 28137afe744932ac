# GUI tests of the separate shell pieces.
