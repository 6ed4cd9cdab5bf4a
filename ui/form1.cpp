// Main window behaviour; filled in with the user interface.
