// placeholder, replaced below
namespace {}
