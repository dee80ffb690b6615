# Writes OUTPUT: a line "<SHA-256>  <file name>" for each file in FILES, as sha256sum
# prints them (cmake -P cmake/WriteChecksums.cmake with -DOUTPUT=... -DFILES=a;b).
set(lines "")
foreach(file IN LISTS FILES)
    file(SHA256 "${file}" hash)
    get_filename_component(name "${file}" NAME)
    string(APPEND lines "${hash}  ${name}\n")
endforeach()
file(WRITE "${OUTPUT}" "${lines}")
