# The release date names the version it is the day of, so that a version
# raised in project() without a new date stops the configure instead of
# shipping the last release's date in the metainfo and the man pages.
#
# brivo_release_date(<out-var> <project-version> <release-version> <date>)
# sets <out-var> to <date> when <release-version> is <project-version> and the
# date reads YYYY-MM-DD; anything else is a fatal error.
function(brivo_release_date out project_version release_version date)
  if(NOT release_version STREQUAL project_version)
    message(FATAL_ERROR
      "The release date ${date} is the day of version ${release_version}, but the project is "
      "version ${project_version}: give BRIVO_RELEASE the new version and the day it is "
      "released (\"${project_version} YYYY-MM-DD\").")
  endif()
  if(NOT date MATCHES "^[0-9][0-9][0-9][0-9]-(0[1-9]|1[0-2])-(0[1-9]|[12][0-9]|3[01])$")
    message(FATAL_ERROR "The release date must read YYYY-MM-DD, not '${date}'.")
  endif()
  set(${out} "${date}" PARENT_SCOPE)
endfunction()
