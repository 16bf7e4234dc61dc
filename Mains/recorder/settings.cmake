# Settings and folders of the application: the settings accessors over the
# registry store, the folder lookup by identifier and the product codes.
tobrel_library(recorder_settings
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/recorderSession.cpp ${CMAKE_CURRENT_LIST_DIR}/recorderPaths.cpp
  LIBS tobrel_reg tobrel_folders tobrel_pstr tobrel_Mth tobrel_report)
