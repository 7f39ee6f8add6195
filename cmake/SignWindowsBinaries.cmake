# Run by CPack once a Windows zip's files are staged, before the checksums
# are taken (CPACK_PRE_BUILD_SCRIPTS): gives bin/VOKQM7.dll and
# bin/vokqm7.exe an Authenticode signature (SHA-256, osslsigncode) when the
# environment names a certificate:
#   VOKQM7_SIGN_CERT, VOKQM7_SIGN_KEY   the certificate (with its chain) and
#                                       its private key, PEM or DER
#   VOKQM7_SIGN_PKCS12                  or both in a PKCS#12 file, with
#   VOKQM7_SIGN_PASSWORD_FILE           the file holding its password
#   VOKQM7_SIGN_TIMESTAMP_URL           an RFC 3161 time-stamping server
#                                       (optional)
# With none of them the binaries stay unsigned; half a set is an error, as
# is a signing that fails. The key and its password go to osslsigncode as
# file names only: nothing of them reaches the command line or the log.
set(cert "$ENV{VOKQM7_SIGN_CERT}")
set(key "$ENV{VOKQM7_SIGN_KEY}")
set(pkcs12 "$ENV{VOKQM7_SIGN_PKCS12}")
set(password_file "$ENV{VOKQM7_SIGN_PASSWORD_FILE}")
set(timestamp_url "$ENV{VOKQM7_SIGN_TIMESTAMP_URL}")

if(NOT cert AND NOT key AND NOT pkcs12 AND NOT password_file)
  if(timestamp_url)
    message(FATAL_ERROR "VOKQM7_SIGN_TIMESTAMP_URL is set but no certificate to sign with")
  endif()
  message(STATUS "Windows binaries not signed: no VOKQM7_SIGN_CERT or VOKQM7_SIGN_PKCS12")
  return()
endif()
if(pkcs12 AND (cert OR key))
  message(FATAL_ERROR "give VOKQM7_SIGN_CERT and VOKQM7_SIGN_KEY, or VOKQM7_SIGN_PKCS12, not both")
elseif(pkcs12)
  set(credentials -pkcs12 ${pkcs12})
  set(files ${pkcs12})
  if(password_file)
    list(APPEND credentials -readpass ${password_file})
    list(APPEND files ${password_file})
  endif()
elseif(cert AND key AND NOT password_file)
  set(credentials -certs ${cert} -key ${key})
  set(files ${cert} ${key})
else()
  message(FATAL_ERROR "VOKQM7_SIGN_CERT and VOKQM7_SIGN_KEY go together "
    "(VOKQM7_SIGN_PASSWORD_FILE only with VOKQM7_SIGN_PKCS12)")
endif()
foreach(file IN LISTS files)
  if(NOT EXISTS ${file} OR IS_DIRECTORY ${file})
    message(FATAL_ERROR "signing: no file ${file}")
  endif()
endforeach()
if(timestamp_url)
  list(APPEND credentials -ts ${timestamp_url})
endif()

find_program(VOKQM7_OSSLSIGNCODE osslsigncode)
if(NOT VOKQM7_OSSLSIGNCODE)
  message(FATAL_ERROR "a certificate is given but osslsigncode is not installed")
endif()
set(top ${CPACK_TEMPORARY_INSTALL_DIRECTORY})
foreach(binary IN ITEMS bin/VOKQM7.dll bin/vokqm7.exe)
  if(NOT EXISTS ${top}/${binary})
    message(FATAL_ERROR "signing: the package has no ${binary}")
  endif()
  file(REMOVE ${top}/${binary}.signed)
  execute_process(COMMAND ${VOKQM7_OSSLSIGNCODE} sign ${credentials} -h sha256
      -n "VOKQM7 ${CPACK_PACKAGE_VERSION}" -in ${top}/${binary} -out ${top}/${binary}.signed
    RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
  if(NOT result EQUAL 0)
    file(REMOVE ${top}/${binary}.signed)
    message(FATAL_ERROR "osslsigncode could not sign ${binary}:\n${output}")
  endif()
  file(RENAME ${top}/${binary}.signed ${top}/${binary})
  message(STATUS "signed ${binary}")
endforeach()
