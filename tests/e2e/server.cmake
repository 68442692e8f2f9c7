# The real QuilloryServer driven over UDP 7200 and TCP 7200 (fixed ports: LOCK).
quillory_add_test(server_e2e CORE
  SOURCES server/server_join_e2e.cpp server/server_round_e2e.cpp server/two_clients_e2e.cpp server/bots_e2e.cpp
          server/E2eSupport.h server/E2eClient.h
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

# The dedicated server with no display, and the host's settings reaching it from a read-only
# programs' folder (fixed ports: LOCK).
quillory_add_test(server_headless_e2e GUI
  SOURCES server/server_headless_e2e.cpp server/E2eSupport.h
  LIBS client_ui fakes Qt6::Network Qt6::Test
  WRAPPER ${CMAKE_CURRENT_SOURCE_DIR}/server/readonly_program_folder.sh $<TARGET_FILE:QuilloryServer>
  LOCK)
add_dependencies(server_headless_e2e QuilloryServer)
