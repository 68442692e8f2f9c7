# The real start window and server browser find the real QuilloryServer by broadcast and join it,
# in a network namespace of their own that the wrapper makes (fixed ports: LOCK).
quillory_add_test(lan_e2e GUI
  SOURCES lan/lan_e2e.cpp server/E2eSupport.h
  LIBS client_ui fakes Qt6::Network Qt6::Test
  WRAPPER ${CMAKE_CURRENT_SOURCE_DIR}/lan/private_lan.sh
  LOCK)
add_dependencies(lan_e2e QuilloryServer)
# A machine that cannot make the private network shows the test as skipped, with the reason.
set_tests_properties(lan_e2e PROPERTIES SKIP_REGULAR_EXPRESSION "\\[  SKIPPED \\]")
