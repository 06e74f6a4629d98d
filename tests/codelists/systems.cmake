tamvel_test(tst_systems SOURCES tst_systems.cpp LIBS tamvel_codelists)
tamvel_test(tst_systemwindows SOURCES tst_systemwindows.cpp LIBS tamvel_gui)
