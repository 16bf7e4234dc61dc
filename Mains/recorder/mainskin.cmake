# The main window's skin: its keys and its loading at start-up.
find_package(Qt6 REQUIRED COMPONENTS Gui)
tobrel_library(recorderMainSkin SOURCES "${CMAKE_CURRENT_LIST_DIR}/recorderMainSkin.cpp"
               LIBS tobrel_skin tobrel_skinRead tobrel_slout tobrel_File tobrel_report)
target_include_directories(tobrel_recorderMainSkin PUBLIC "${CMAKE_CURRENT_LIST_DIR}")
