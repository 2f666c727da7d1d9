# The gallery test runs the gallery program, so the program is built first.
if(TARGET gallery_GalleryTest AND TARGET ostrel-gallery)
  add_dependencies(gallery_GalleryTest ostrel-gallery)
endif()
