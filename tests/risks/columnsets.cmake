# The overview's column sets: the rules and the store alone, then the two dialogs.
tamvel_test(tst_columnsets SOURCES tst_columnsets.cpp LIBS tamvel_risks)
tamvel_test(tst_columnsetdialogs SOURCES tst_columnsetdialogs.cpp LIBS tamvel_gui)
