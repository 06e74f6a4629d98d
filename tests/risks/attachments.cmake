# Sub-tasks and equipment of a risk: the rules alone, then the dialogs and the overview.
tamvel_test(tst_subtask SOURCES tst_subtask.cpp LIBS tamvel_risks)
tamvel_test(tst_equipment SOURCES tst_equipment.cpp LIBS tamvel_risks)
tamvel_test(tst_subtaskdialog SOURCES tst_subtaskdialog.cpp LIBS tamvel_gui)
tamvel_test(tst_equipmentchooser SOURCES tst_equipmentchooser.cpp LIBS tamvel_gui)
tamvel_test(tst_frmdilci SOURCES tst_frmdilci.cpp LIBS tamvel_gui)
