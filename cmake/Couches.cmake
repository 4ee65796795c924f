# The console's layers, from the bottom up: each folder is one layer and one library. A line
# names the folder, its library ("-": the folder makes its own programs) and the layers it uses
# itself; a layer may also use what those use, and nothing else. "Qt" marks the one layer that
# may use Qt. The build links each library to those layers alone, and VerifierCouches.cmake
# refuses any #include "folder/..." of the product code that this table does not allow.
set(ZEF30_COUCHES
    "base       zef30_base"
    "protocol   zef30_protocole     base"
    "link       zef30_liaison       protocol"
    "console    zef30_console       link"
    "receipts   zef30_tickets       protocol"
    "listening  zef30_ecoute        console"
    "requests   zef30_requetes      listening receipts"
    "window     zef30_fenetre       requests Qt"
    "headless   zef30_sansfenetre   requests"
    "simulator  zef30_simulateur    link"
    "app        -                   window headless simulator")

# The library of layer `dossier` and the layers it uses itself.
function(zef30_lire_couche dossier cible utilise)
  foreach(entree IN LISTS ZEF30_COUCHES)
    string(REGEX MATCHALL "[^ ]+" champs "${entree}")
    list(POP_FRONT champs nom bibliotheque)
    if(nom STREQUAL dossier)
      set(${cible} ${bibliotheque} PARENT_SCOPE)
      set(${utilise} ${champs} PARENT_SCOPE)
      return()
    endif()
  endforeach()
  message(FATAL_ERROR "${dossier} is not a layer of cmake/Couches.cmake")
endfunction()

# Every layer `dossier` may use: itself, the layers it uses, and theirs, down to base. Qt is
# not passed on: only the layer that names it may include it.
function(zef30_couches_permises dossier permises)
  zef30_lire_couche(${dossier} _ vues)
  set(a_voir ${vues})
  list(REMOVE_ITEM a_voir Qt)
  list(APPEND vues ${dossier})
  while(a_voir)
    list(POP_FRONT a_voir courante)
    zef30_lire_couche(${courante} _ dessous)
    list(REMOVE_ITEM dessous Qt)
    foreach(couche IN LISTS dessous)
      if(NOT couche IN_LIST vues)
        list(APPEND vues ${couche})
        list(APPEND a_voir ${couche})
      endif()
    endforeach()
  endwhile()
  set(${permises} ${vues} PARENT_SCOPE)
endfunction()

# The library of the layer in the current folder: every .cpp of it but those in EXCLURE, linked
# to the libraries of the layers it uses, after the include check has passed.
function(zef30_couche)
  cmake_parse_arguments(PARSE_ARGV 0 arg "" "" "EXCLURE")
  get_filename_component(dossier ${CMAKE_CURRENT_SOURCE_DIR} NAME)
  zef30_lire_couche(${dossier} cible utilise)
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  foreach(exclu IN LISTS arg_EXCLURE)
    list(REMOVE_ITEM sources ${CMAKE_CURRENT_SOURCE_DIR}/${exclu})
  endforeach()
  add_library(${cible} STATIC ${sources})
  add_dependencies(${cible} zef30_couches)
  foreach(couche IN LISTS utilise)
    if(couche STREQUAL "Qt")
      find_package(Qt6 REQUIRED COMPONENTS Widgets)
      set_target_properties(${cible} PROPERTIES AUTOMOC ON)
      target_link_libraries(${cible} PUBLIC Qt6::Widgets)
    else()
      zef30_lire_couche(${couche} dessous _)
      target_link_libraries(${cible} PUBLIC ${dessous})
    endif()
  endforeach()
endfunction()

# The include check as a step of the build: nothing is compiled while an include runs against
# the layers. It runs again whenever a file of the product code changes.
function(zef30_verification_couches)
  set(fichiers "")
  foreach(entree IN LISTS ZEF30_COUCHES)
    string(REGEX MATCH "^[^ ]+" dossier "${entree}")
    file(GLOB_RECURSE fichiersCouche CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/${dossier}/*.h
         ${PROJECT_SOURCE_DIR}/${dossier}/*.cpp)
    list(APPEND fichiers ${fichiersCouche})
  endforeach()
  set(temoin ${CMAKE_BINARY_DIR}/couches-verifiees)
  add_custom_command(
    OUTPUT ${temoin}
    COMMAND ${CMAKE_COMMAND} -DRACINE=${PROJECT_SOURCE_DIR} -P
            ${PROJECT_SOURCE_DIR}/cmake/VerifierCouches.cmake
    COMMAND ${CMAKE_COMMAND} -E touch ${temoin}
    DEPENDS ${fichiers} ${PROJECT_SOURCE_DIR}/cmake/Couches.cmake
            ${PROJECT_SOURCE_DIR}/cmake/VerifierCouches.cmake
    COMMENT "Checking the includes against the layers"
    VERBATIM)
  add_custom_target(zef30_couches DEPENDS ${temoin})
endfunction()
