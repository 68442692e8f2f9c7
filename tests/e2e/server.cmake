# The real QuilloryServer driven over UDP 7200 and TCP 7200 (fixed ports: LOCK).
quillory_add_test(server_e2e CORE
  SOURCES server/server_join_e2e.cpp server/server_round_e2e.cpp server/two_clients_e2e.cpp server/E2eSupport.h
  LIBS client_core fakes platform_network Qt6::Network Qt6::Test
  LOCK)
add_dependencies(server_e2e QuilloryServer)

# The same program under a seeded flood of hostile datagrams (fixed ports: LOCK).
quillory_add_test(server_hostile_e2e CORE
  SOURCES server/server_hostile_e2e.cpp server/E2eSupport.h ../common/HostileDatagrams.h
  LIBS platform_network Qt6::Network Qt6::Test
  LOCK)
add_dependencies(server_hostile_e2e QuilloryServer)

# A whole round on a ZIM archive written by the test (fixed ports: LOCK).
quillory_add_test(server_zim_e2e CORE
  SOURCES server/server_zim_e2e.cpp server/E2eSupport.h ../common/ZimTestArchive.h
  LIBS platform_network Qt6::Network Qt6::Test PkgConfig::LIBZIM
  LOCK)
target_include_directories(server_zim_e2e PRIVATE ${PROJECT_SOURCE_DIR})
add_dependencies(server_zim_e2e QuilloryServer)
