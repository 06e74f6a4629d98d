# The systems tree and its staffing: the logic, then the windows.
target_sources(tamvel_codelists PRIVATE Systems.cpp Systems.h)
target_sources(tamvel_gui PRIVATE SystemWindows.cpp SystemWindows.h)
