# Makes the release packages of the Windows build from what the build made:
#   cmake -DINPUTS=<package-inputs.cmake> -DVERSION=<x.y.z> -DOUTPUT=<dir> [-DPACKAGES=msi;zip]
#         -P Package.cmake
# INPUTS (written by installer/CMakeLists.txt) names the program, the language modules, the
# icon, the read-me, the installer source and the tools. OUTPUT is emptied and then holds
# Sonderix-<version>-win32.msi and Sonderix-<version>-win32-portable.zip.
#
# Signing (`tools/dev package --sign`) is asked for through the environment, since the build
# runs this script: SX_PACKAGE_SIGN_CERTIFICATE names a PKCS#12 file whose password is in
# SX_SIGN_PASSWORD, and SX_PACKAGE_SIGN_TIMESTAMP, when set, the URL of an RFC 3161 time
# stamp server. The program and the language modules are signed before they are packed, so
# that the zip and the installer hold the signed files, and the installer is signed last.
# A signature holds the time of signing: signed packages are not reproducible, unsigned
# ones are.
#
# Both packages take their files from one staging folder in which every file carries the
# same time: SOURCE_DATE_EPOCH when it is set, else the time of the last commit. With fixed
# times, modes and order, and the installer's own stamps fixed too (below), both packages
# of one commit are the same to the byte wherever and whenever they are made.
cmake_minimum_required(VERSION 3.25)

include(${INPUTS})
if(NOT DEFINED PACKAGES)
  set(PACKAGES msi zip)
endif()
if(NOT VERSION MATCHES "^[0-9]+\\.[0-9]+\\.[0-9]+$")
  message(FATAL_ERROR "the version \"${VERSION}\" is not major.minor.patch")
endif()

# The time every packed file carries. Outside a git checkout and without SOURCE_DATE_EPOCH,
# the earliest time a zip can hold (1980-01-01) keeps the result fixed all the same.
if(DEFINED ENV{SOURCE_DATE_EPOCH})
  set(epoch $ENV{SOURCE_DATE_EPOCH})
else()
  execute_process(COMMAND git -C ${SOURCE_DIR} log -1 --format=%ct
                  OUTPUT_VARIABLE epoch OUTPUT_STRIP_TRAILING_WHITESPACE
                  RESULT_VARIABLE status ERROR_QUIET)
  if(NOT status EQUAL 0 OR epoch STREQUAL "")
    set(epoch 315532800)
  endif()
endif()
if(NOT epoch MATCHES "^[0-9]+$" OR epoch LESS 315532800)
  message(FATAL_ERROR "SOURCE_DATE_EPOCH \"${epoch}\" is not a time from 1980 on")
endif()
# zip writes local times; the installer's time is read as local time too.
set(ENV{TZ} UTC)

# The staging folder, as the zip holds it and as the program's folder is once installed.
set(folder Sonderix-${VERSION})
set(stage ${WORK}/${VERSION}/${folder})
file(REMOVE_RECURSE ${WORK}/${VERSION} ${OUTPUT})
file(MAKE_DIRECTORY ${stage} ${OUTPUT})
set(files ${PROGRAM} ${MODULES})
set(names)
foreach(file IN LISTS files)
  if(NOT EXISTS ${file})
    message(FATAL_ERROR "missing: ${file}")
  endif()
  get_filename_component(name ${file} NAME)
  file(COPY_FILE ${file} ${stage}/${name})
  list(APPEND names ${name})
endforeach()

# Signing, when tools/dev asks for it (above).
set(certificate "$ENV{SX_PACKAGE_SIGN_CERTIFICATE}")
set(timestamp)
if(NOT "$ENV{SX_PACKAGE_SIGN_TIMESTAMP}" STREQUAL "")
  set(timestamp -ts "$ENV{SX_PACKAGE_SIGN_TIMESTAMP}")
endif()
if(NOT certificate STREQUAL "")
  if(NOT OSSLSIGNCODE)
    message(FATAL_ERROR "osslsigncode is missing (tools/dev package installs it)")
  endif()
  if(NOT EXISTS ${certificate})
    message(FATAL_ERROR "no certificate to sign with: ${certificate}")
  endif()
endif()
# sx_sign(<file>): signs the file in place with Authenticode SHA-256.
function(sx_sign file)
  set(sign ${OSSLSIGNCODE} sign -pkcs12 ${certificate} -h sha256 -n Sonderix ${timestamp}
           -in ${file} -out ${file}.signed)
  if("$ENV{SX_SIGN_PASSWORD}" STREQUAL "")
    # osslsigncode (2.9) refuses an empty password read from a file; none given opens a
    # certificate without one.
    execute_process(COMMAND ${sign} RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
  else()
    # The password goes from the environment through a pipe: on the command line, every
    # user of the machine could read it in the process list.
    execute_process(COMMAND sh -c "printf '%s' \"$SX_SIGN_PASSWORD\""
                    COMMAND ${sign} -readpass /dev/stdin
                    RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
  endif()
  if(NOT status EQUAL 0)
    file(REMOVE ${file}.signed)
    message(FATAL_ERROR "signing ${file} failed (${status}); is SX_SIGN_PASSWORD the "
                        "certificate's password, and the time stamp server reachable?\n${out}")
  endif()
  file(RENAME ${file}.signed ${file})
endfunction()
if(NOT certificate STREQUAL "")
  foreach(name IN LISTS names)
    sx_sign(${stage}/${name})
  endforeach()
endif()
# A Windows read-me, so Windows line ends.
configure_file(${README} ${stage}/README.txt @ONLY NEWLINE_STYLE CRLF)
list(APPEND names README.txt)
list(SORT names)

set(staged)
foreach(name IN LISTS names)
  list(APPEND staged ${stage}/${name})
endforeach()
file(CHMOD ${staged} PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
file(CHMOD ${stage} PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                                WORLD_READ WORLD_EXECUTE)
execute_process(COMMAND touch -d @${epoch} ${stage} ${staged} COMMAND_ERROR_IS_FATAL ANY)

if(zip IN_LIST PACKAGES)
  if(NOT ZIP)
    message(FATAL_ERROR "zip is missing (tools/dev package installs it)")
  endif()
  # -X leaves out the owner and the extra time fields.
  set(entries ${folder}/)
  foreach(name IN LISTS names)
    list(APPEND entries ${folder}/${name})
  endforeach()
  execute_process(COMMAND ${ZIP} -X -q ${OUTPUT}/${folder}-win32-portable.zip ${entries}
                  WORKING_DIRECTORY ${WORK}/${VERSION} RESULT_VARIABLE status
                  OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "zip failed (${status}):\n${out}")
  endif()
endif()

if(msi IN_LIST PACKAGES)
  foreach(tool WIXL MSIINFO MSIBUILD FAKETIME)
    if(NOT ${tool})
      string(TOLOWER ${tool} name)
      message(FATAL_ERROR "${name} is missing (tools/dev package installs it)")
    endif()
  endforeach()
  # One component a language module, named after its file.
  set(components)
  foreach(module IN LISTS MODULES)
    get_filename_component(name ${module} NAME)
    string(MAKE_C_IDENTIFIER "Module_${name}" id)
    string(APPEND components "      <Component Id=\"${id}\" Guid=\"*\">
        <File Id=\"${id}\" Name=\"${name}\" Source=\"${folder}/${name}\" KeyPath=\"yes\"/>
      </Component>\n")
  endforeach()
  file(WRITE ${WORK}/${VERSION}/LanguageModules.wxs "<?xml version=\"1.0\" encoding=\"utf-8\"?>
<!-- Written by Package.cmake: the language modules beside the program. -->
<Wix xmlns=\"http://schemas.microsoft.com/wix/2006/wi\">
  <Fragment>
    <ComponentGroup Id=\"LanguageModules\" Directory=\"INSTALLDIR\">
${components}    </ComponentGroup>
  </Fragment>
</Wix>
")
  # The program's folder gets its own access list instead of its parent's (inheritance is
  # cut off: "P"), made of well-known accounts so that it reads the same on every language of
  # Windows: the system and the administrators get full control, the users read and execute
  # (0x1200a9: FILE_GENERIC_READ | FILE_GENERIC_EXECUTE); files and folders inside inherit
  # it. wixl has no element for this table, so it is imported after wixl has run.
  set(lock_table ${WORK}/${VERSION}/MsiLockPermissionsEx.idt)
  string(JOIN "\t" columns MsiLockPermissionsEx LockObject Table SDDLText Condition)
  string(JOIN "\t" types s72 s72 s32 s0 S255)
  string(JOIN "\t" lock InstallFolder INSTALLDIR CreateFolder
         "D:PAI(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)" "")
  file(WRITE ${lock_table} "${columns}\n${types}\nMsiLockPermissionsEx\tMsiLockPermissionsEx\n${lock}\n")

  # Every version has a product code of its own, always the same for that version.
  string(UUID product_code NAMESPACE 1DB6884D-B4C7-42FD-8FDE-11116F3BE9DF
         NAME "Sonderix ${VERSION}" TYPE SHA1 UPPER)
  # wixl stamps the summary information with the time it runs and a random package code.
  # Run at the packed files' time, and given a package code made from everything the
  # package is made of, it writes the same installer for the same commit as well.
  set(ENV{SOURCE_DATE_EPOCH} ${epoch})
  string(TIMESTAMP packed_time "%Y-%m-%d %H:%M:%S" UTC)
  set(ingredients "${VERSION} ${epoch}")
  foreach(file ${WXS} ${WORK}/${VERSION}/LanguageModules.wxs ${lock_table} ${ICON} ${staged})
    file(SHA256 ${file} digest)
    string(APPEND ingredients " ${digest}")
  endforeach()
  string(UUID package_code NAMESPACE 1DB6884D-B4C7-42FD-8FDE-11116F3BE9DF
         NAME "${ingredients}" TYPE SHA1 UPPER)

  # wixl takes only relative paths to the files it packs (seen with wixl 0.101).
  set(msi ${OUTPUT}/${folder}-win32.msi)
  get_filename_component(program_name ${PROGRAM} NAME)
  file(COPY_FILE ${ICON} ${WORK}/${VERSION}/Sonderix.ico)
  execute_process(COMMAND ${FAKETIME} ${packed_time} ${WIXL} --arch x86 -D Version=${VERSION}
                          -D ProductCode=${product_code} -D ProgramFile=${folder}/${program_name}
                          -D IconFile=Sonderix.ico -o ${msi} ${WXS} LanguageModules.wxs
                  WORKING_DIRECTORY ${WORK}/${VERSION} RESULT_VARIABLE status
                  OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "wixl failed (${status}):\n${out}")
  endif()
  execute_process(COMMAND ${MSIBUILD} ${msi} -i ${lock_table} RESULT_VARIABLE status
                  ERROR_VARIABLE out)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "adding the folder's permissions failed (${status}):\n${out}")
  endif()
  # msibuild sets the subject, author, template and package code together: the first three
  # as wixl wrote them.
  execute_process(COMMAND ${MSIINFO} suminfo ${msi} OUTPUT_VARIABLE summary RESULT_VARIABLE status)
  foreach(field Subject Author Template)
    if(NOT status EQUAL 0 OR NOT summary MATCHES "\n${field}: ([^\n]*)")
      message(FATAL_ERROR "cannot read the ${field} of ${msi}")
    endif()
    set(${field} "${CMAKE_MATCH_1}")
  endforeach()
  # (The template holds a semicolon: no list may carry it.)
  execute_process(COMMAND ${MSIBUILD} ${msi} -s "${Subject}" "${Author}" "${Template}"
                          "{${package_code}}" RESULT_VARIABLE status ERROR_VARIABLE out)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "setting the package code failed (${status}):\n${out}")
  endif()
  if(NOT certificate STREQUAL "")
    sx_sign(${msi})
  endif()
endif()
