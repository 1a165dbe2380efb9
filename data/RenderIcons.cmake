# Renders every drawing in DIR/scalable/<context>/ as PNGs at the icon
# theme's sizes, beside it in DIR/<size>x<size>/<context>/. Run by the build
# with -DRSVG=<rsvg-convert> -DDIR=<hicolor folder>.
set(sizes 16 24 32 48 64 128 256)
file(GLOB drawings RELATIVE ${DIR}/scalable ${DIR}/scalable/*/*.svg)
foreach(drawing IN LISTS drawings)
  get_filename_component(context ${drawing} DIRECTORY)
  get_filename_component(name ${drawing} NAME_WLE)
  foreach(s IN LISTS sizes)
    file(MAKE_DIRECTORY ${DIR}/${s}x${s}/${context})
    execute_process(
      COMMAND ${RSVG} -w ${s} -h ${s} ${DIR}/scalable/${drawing} -o ${DIR}/${s}x${s}/${context}/${name}.png
      COMMAND_ERROR_IS_FATAL ANY)
  endforeach()
endforeach()
