// Keeps the library non-empty until the first tool lands.
namespace trovi::tools_placeholder {}
