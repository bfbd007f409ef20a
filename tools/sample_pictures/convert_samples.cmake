# Turns the staged BMP pictures into the samples' GIF, JPEG and PNG files.
# Usage: cmake -DCONVERT=<ImageMagick convert> -DSTAGING=<folder> -DSAMPLES=<folder> -P this
foreach(var CONVERT STAGING SAMPLES)
    if(NOT DEFINED ${var})
        message(FATAL_ERROR "convert_samples: ${var} is not set")
    endif()
endforeach()

# The GIF pictures have a few dozen flat colours, so the palette holds every one exactly.
# -strip keeps dates and tool names out, so every build makes the same bytes.
set(gif_options +dither -colors 256 -strip)
set(jpg_options -quality 90 -interlace none -strip)
set(png_options -strip -define png:exclude-chunks=date,time)

foreach(kind gif jpg png)
    file(GLOB sources ${STAGING}/${kind}/*.bmp)
    foreach(source IN LISTS sources)
        get_filename_component(name ${source} NAME_WE)
        execute_process(
            COMMAND ${CONVERT} ${source} ${${kind}_options} ${SAMPLES}/${name}.${kind}
            COMMAND_ERROR_IS_FATAL ANY
        )
    endforeach()
endforeach()
