# Runs brivo_release_date as the configure does: cmake -DPROJECT_VERSION=...
# -DRELEASE_VERSION=... -DRELEASE_DATE=... -P release-date.cmake
include(${CMAKE_CURRENT_LIST_DIR}/../../cmake/ReleaseDate.cmake)
brivo_release_date(date "${PROJECT_VERSION}" "${RELEASE_VERSION}" "${RELEASE_DATE}")
if(NOT date STREQUAL RELEASE_DATE)
  message(FATAL_ERROR "the release date came out as '${date}', not '${RELEASE_DATE}'")
endif()
