namespace veltrane_render_placeholder {}
