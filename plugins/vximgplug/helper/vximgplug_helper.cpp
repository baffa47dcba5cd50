// vximgplug-helper: the format plug-in's decoding helper. The plug-in spawns it with its socket at
// descriptor 3 and the arguments: the plug-in's own file, and the host's process number (for
// whoever looks at the process list). This process starts the helper proper in a child and exits
// at once, so that the helper is no child of the host's; the child loads the plug-in and serves
// the host through it until the host lets go of the socket.
#include <dlfcn.h>
#include <unistd.h>

int main(int argc, char** argv) {
  if (argc != 3) return 2;
  const pid_t helper = fork();
  if (helper < 0) return 1;
  if (helper > 0) _exit(0);
  void* plugin = dlopen(argv[1], RTLD_NOW | RTLD_LOCAL);
  if (!plugin) _exit(3);
  auto* serve = reinterpret_cast<int (*)()>(dlsym(plugin, "VximgplugServeHost"));
  if (!serve) _exit(3);
  _exit(serve());
}
