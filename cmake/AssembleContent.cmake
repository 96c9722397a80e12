# cmake -DSOURCE=dir -DDEST=dir -P AssembleContent.cmake
cmake_minimum_required(VERSION 3.25)
# Copies SOURCE's tree into DEST. Files the programs or the operator write at run time
# (settings, guest list) are copied only when DEST has none yet, so a rebuild never resets them.
set(keep_existing "Bin/config.ini" "SetInfo.ini" "Bin/people.txt")
# Earlier builds kept the drawing tools' stamps in the folder; it ships only content now.
file(REMOVE_RECURSE ${DEST}/.drawn)
file(GLOB_RECURSE files RELATIVE ${SOURCE} ${SOURCE}/*)
foreach(rel ${files})
    set(dst ${DEST}/${rel})
    if(rel IN_LIST keep_existing AND EXISTS ${dst})
        continue()
    endif()
    get_filename_component(dir ${dst} DIRECTORY)
    file(MAKE_DIRECTORY ${dir})
    file(COPY_FILE ${SOURCE}/${rel} ${dst} ONLY_IF_DIFFERENT)
endforeach()
