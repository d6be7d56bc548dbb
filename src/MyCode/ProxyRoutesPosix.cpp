// The POSIX half: libproxy, which reads the desktop's proxy settings (GNOME, KDE) and, outside a desktop
// that has its own, http_proxy, https_proxy and no_proxy; it runs a configuration script itself.
#include "MyCode/ProxyRoutes.h"

#include <proxy.h>

namespace albatrix {

struct SystemProxies::Impl {
  pxProxyFactory* factory = px_proxy_factory_new();
  ~Impl() {
    if (factory) px_proxy_factory_free(factory);
  }
};

SystemProxies::SystemProxies() : impl_(std::make_unique<Impl>()) {}
SystemProxies::~SystemProxies() = default;

ProxyLookup SystemProxies::Lookup(const std::string& url) {
  if (!impl_->factory) return {{}, "libproxy could not start"};
  char** answers = px_proxy_factory_get_proxies(impl_->factory, url.c_str());
  if (!answers) return {{}, "libproxy gave no answer"};
  std::vector<std::string> list;
  for (char** answer = answers; *answer; ++answer) list.emplace_back(*answer);
  px_proxy_factory_free_proxies(answers);
  return FirstUsableProxy(list);
}

}  // namespace albatrix
