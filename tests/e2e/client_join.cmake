# The real Quillory start window hosting a real QuilloryServer copied beside it (fixed ports: LOCK).
quillory_add_test(client_join_e2e GUI
  SOURCES client_join/client_host_e2e.cpp
  LIBS client_ui Qt6::Network
  LOCK)
add_dependencies(client_join_e2e QuilloryServer)
