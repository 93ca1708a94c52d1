# The layers of the library, bottom to top (docs/layers.md gives the reasons).
# A file may include headers of its own layer and of the layers below it,
# never of a layer above. The build checks this before compiling
# (tools/check-layers.cmake); CMakeLists.txt builds one target per layer from
# the same table.
#
# A file belongs to the layer whose folders hold it: a folder is a layer.
# A layer's `internal/` folders hold what it keeps to itself: no file of
# another layer, nor of converter/ or launcher/, includes from them (tests,
# fuzz targets and benchmarks may).

set(PN_LAYERS platform object core features composites)

set(PN_LAYER_platform_DIRS platform)
set(PN_LAYER_platform_TITLE "the platform layer")
set(PN_LAYER_object_DIRS pdf/object)
set(PN_LAYER_object_TITLE "the object layer")
set(PN_LAYER_core_DIRS pdf/document)
set(PN_LAYER_core_TITLE "the document core")
set(PN_LAYER_features_DIRS pdf/graphics pdf/interactive pdf/font pdf/metrics)
set(PN_LAYER_features_TITLE "the features layer")
set(PN_LAYER_composites_DIRS pdf/composite)
set(PN_LAYER_composites_TITLE "the document composites")

# Folders outside the layers whose includes are checked too: they may use
# any layer, but no layer's internal/ folder.
set(PN_LAYER_CLIENT_DIRS converter launcher)

# Includes that break the order, as "file>included header", each to be
# removed when its fix lands. None today.
set(PN_LAYER_EXCEPTIONS)

# Sets out to the layer of a path relative to the source root, or to "" when
# the path lies in no layer.
function(pn_layer_of path out)
  foreach(layer IN LISTS PN_LAYERS)
    foreach(layerDir IN LISTS PN_LAYER_${layer}_DIRS)
      string(FIND "${path}" "${layerDir}/" at)
      if(at EQUAL 0)
        set(${out} ${layer} PARENT_SCOPE)
        return()
      endif()
    endforeach()
  endforeach()
  set(${out} "" PARENT_SCOPE)
endfunction()

# Sets out to the sources and headers of every layer folder under root,
# relative to root.
function(pn_layer_files root out)
  set(all)
  foreach(layer IN LISTS PN_LAYERS)
    foreach(layerDir IN LISTS PN_LAYER_${layer}_DIRS)
      file(GLOB_RECURSE found RELATIVE "${root}" "${root}/${layerDir}/*.h" "${root}/${layerDir}/*.cpp"
           "${root}/${layerDir}/*.c")
      list(APPEND all ${found})
    endforeach()
  endforeach()
  set(${out} ${all} PARENT_SCOPE)
endfunction()

