# The built programs run as a user or a service manager would: the usage, no display, signals; and a
# joined client ended by SIGTERM over the real QuilloryServer (fixed ports: LOCK).
quillory_add_test(programs_e2e GUI
  SOURCES programs/programs_e2e.cpp round/RoundPlayer.h server/E2eSupport.h
  LIBS client_ui fakes Qt6::Network Qt6::Test
  LOCK)
add_dependencies(programs_e2e Quillory QuilloryServer)
