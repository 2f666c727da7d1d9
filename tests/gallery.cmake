# The gallery test runs the gallery, which draws the web pages in Chromium.
ostrel_runs_chromium(gallery_GalleryTest)
