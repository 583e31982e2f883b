// The game simulator's sources live in this folder.
namespace rw::sim {}
