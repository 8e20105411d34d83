tamarko_test(win_machineinfo LABEL win SOURCES machineinfo_test.cpp LIBS tamarko_core_win)
