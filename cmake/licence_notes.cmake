# The licence notes of a copy that links libraries in (the Windows zip, the
# page): add_licence(TITLE FILE) appends FILE under a heading to `notes`.
macro(add_licence title file)
  if(NOT EXISTS ${file})
    message(FATAL_ERROR "licence missing: ${file}")
  endif()
  file(READ ${file} text)
  string(APPEND notes "\n\n==== ${title} ====\n\n${text}")
endmacro()
