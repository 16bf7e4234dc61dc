# The iTunes export (itunes/): part of the running recorder's library.
target_sources(tobrel_recorderapp PRIVATE ${CMAKE_CURRENT_LIST_DIR}/itunes/recorderItunes.cpp)
target_include_directories(tobrel_recorderapp PUBLIC "${CMAKE_CURRENT_LIST_DIR}/itunes")
target_link_libraries(tobrel_recorderapp PUBLIC tobrel_itunesSdk tobrel_itunesAutomation)
