# The Windows resources of a program: the icon, made at build time from the packaging's
# picture, the manifest and the version record (src/app/monvalor.rc).
find_package(Python3 REQUIRED COMPONENTS Interpreter)
find_program(MONVALOR_RSVG rsvg-convert REQUIRED)
set(MONVALOR_ICO ${CMAKE_BINARY_DIR}/icones/monvalor.ico)
set(pngs)
foreach(taille 16 24 32 48 64 256)
    set(png ${CMAKE_BINARY_DIR}/icones/monvalor-${taille}.png)
    add_custom_command(OUTPUT ${png}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/icones
        COMMAND ${MONVALOR_RSVG} -w ${taille} -h ${taille}
                ${PROJECT_SOURCE_DIR}/packaging/org.monvalor.Monvalor.svg -o ${png}
        DEPENDS ${PROJECT_SOURCE_DIR}/packaging/org.monvalor.Monvalor.svg VERBATIM)
    list(APPEND pngs ${png})
endforeach()
add_custom_command(OUTPUT ${MONVALOR_ICO}
    COMMAND ${Python3_EXECUTABLE} ${PROJECT_SOURCE_DIR}/src/app/faire_icone.py ${MONVALOR_ICO}
            ${pngs}
    DEPENDS ${pngs} ${PROJECT_SOURCE_DIR}/src/app/faire_icone.py VERBATIM)
add_custom_target(monvalor_icone DEPENDS ${MONVALOR_ICO})

# What the resource script takes from the build, as a header: paths and texts with spaces
# travel badly through the resource compiler's command line. One header per version: a test
# program of another version carries a version record of its own.
function(monvalor_entete_ressources version dossier)
    string(REPLACE "." "," numeros ${version})
    file(CONFIGURE OUTPUT ${dossier}/RessourcesMonvalor.h CONTENT
"#define MONVALOR_ICONE \"${MONVALOR_ICO}\"
#define MONVALOR_MANIFESTE \"${PROJECT_SOURCE_DIR}/src/app/monvalor.manifest\"
#define MONVALOR_DESCRIPTION \"${PROJECT_DESCRIPTION}\"
#define MONVALOR_VERSION_TEXTE \"${version}\"
#define MONVALOR_VERSION_NUMEROS ${numeros},0
")
endfunction()

# monvalor_ressources(TARGET [VERSION]): the version is the project's unless given.
function(monvalor_ressources cible)
    set(version ${PROJECT_VERSION})
    set(dossier ${CMAKE_BINARY_DIR}/ressources)
    if(ARGC GREATER 1)
        set(version ${ARGV1})
        set(dossier ${CMAKE_BINARY_DIR}/ressources-${version})
    endif()
    monvalor_entete_ressources(${version} ${dossier})
    add_dependencies(${cible} monvalor_icone)
    target_include_directories(${cible} PRIVATE ${dossier})
    set_source_files_properties(${PROJECT_SOURCE_DIR}/src/app/monvalor.rc PROPERTIES
        OBJECT_DEPENDS "${MONVALOR_ICO};${PROJECT_SOURCE_DIR}/src/app/monvalor.manifest")
endfunction()
