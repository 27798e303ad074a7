namespace veltrane_tracery_placeholder {}
