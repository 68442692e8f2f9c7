# Whole rounds: the real QuilloryServer with its own encyclopedia and two real clients (this test
# process and a second copy of it), over real UDP and real Chromium (fixed ports: LOCK).
quillory_add_test(round_e2e GUI
  SOURCES round/round_e2e.cpp round/RoundPlayer.h
  LIBS client_ui fakes Qt6::Network Qt6::Test
  LOCK)
add_dependencies(round_e2e QuilloryServer)
